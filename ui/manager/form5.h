#pragma once

#include <QWidget>

struct AppState;
struct Platform;

// The text data manager.
class Form5 final : public QWidget {
    Q_OBJECT
public:
    Form5(AppState& state, Platform& platform, QWidget* parent = nullptr);

private:
    AppState& m_state;
    Platform& m_platform;
};
