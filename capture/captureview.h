#pragma once

#include "platform/desktop.h"
#include "storage/collectionfiles.h"
#include "storage/storeerror.h"

#include <QImage>
#include <QString>

// What the capture shows and reads on the main window. The window implements it; the
// capture never touches a control itself, so it runs in a test without any window.
class CaptureView {
public:
    enum class Area { Text, Picture };

    virtual ~CaptureView() = default;

    // The options, read whenever they are needed: the controls are the live settings.
    virtual bool collectOption() const = 0;    // "Textdaten sammeln"
    virtual bool singleFileOption() const = 0; // "Einzel-Texte speichern"
    virtual bool separatorOption() const = 0;  // "Trennlinie"
    virtual bool soundOption() const = 0;      // "Akustische Signale"
    // Monitoring is on.
    virtual bool monitoringActive() const = 0;

    // One blink: the caption and the indicator's colour (0x00BBGGRR).
    virtual void blink(const QString& caption, quint32 bgr) = 0;
    // Shows one of the two capture panels and hides the other and the built-in picture.
    virtual void showArea(Area area) = 0;
    virtual void showText(const QString& text) = 0;
    // Adds text at the end of what the text box shows; beyond maxChars, whole lines at its
    // beginning make room.
    virtual void appendText(const QString& text, qsizetype maxChars) = 0;
    virtual void showPicture(const QImage& image) = 0;
    virtual void setHint(const QString& text) = 0;
    virtual void showCounts(const CollectionCounts& counts) = 0;
    // The user's words for a failure: why a file was not written (for brackets in a hint),
    // and why a snapshot did not arrive (a whole hint).
    virtual QString describe(const StoreError& error) const = 0;
    virtual QString describe(SnapshotFault fault) const = 0;

    // The snapshot sequence: the window steps aside while the screen is taken.
    virtual void focusSink() = 0;
    virtual void setWindowShown(bool shown) = 0;
    virtual void setSnapshotTimer(bool running) = 0;
};
