#pragma once

#include <QWidget>

struct AppState;
struct Platform;

// The collection directory chooser.
class Browser final : public QWidget {
    Q_OBJECT
public:
    Browser(AppState& state, Platform& platform, QWidget* parent = nullptr);

private:
    AppState& m_state;
    Platform& m_platform;
};
