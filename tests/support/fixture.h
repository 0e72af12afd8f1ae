#pragma once

#include "app/appstate.h"
#include "capture/capturecycle.h"
#include "tests/support/fakes.h"
#include "ui/main/form1.h"
#include "ui/main/widgets.h"

// The main window's controls, which the tests drive and read.
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMutex>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& bytes);

// The lines a logging category writes while it lives, from any thread (the category is
// switched on for it).
class LogLines {
public:
    explicit LogLines(const char* category);
    ~LogLines();
    QStringList lines() const;
    // The lines that contain all of the words.
    QStringList with(const QStringList& words) const;

private:
    friend struct LogSink;
    mutable QMutex m_mutex;
    QStringList m_lines;
};

// A program started in a temporary directory with fakes for every platform service: the
// main window is created and the settings are loaded as at start-up.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Creates the main window and loads the settings; a test may write a profile first.
    void start();
    QString profile() const;
    // The default collection directory, with its final separator.
    QString files() const;
    // Runs pending queued work (the change-triggered capture step among it) and waits for the
    // store to finish what it was given.
    void settle();
    // settle(), then waits until the capture has written, confirmed and sounded what it took.
    void settleCapture();
    // Switches monitoring on (through the button) and delivers what is queued.
    void startMonitoring();
    // One tick of the capture timer.
    void tick();
    // Another program copies text; the change is delivered and the next tick runs.
    void copy(const QString& text);
    // Another program offers data; only the change is delivered, no tick runs.
    void offer(std::unique_ptr<QMimeData> data);
    // The main window's hint line.
    QString hint() const;
    // The main window's caption; assistive tools are given the same name.
    QString caption() const;
    // The main window as monitoring is off: START, no timer, no snapshot, the built-in picture.
    void expectStopped() const;
    // Makes the collection directory a 64 kB file system of its own, which runs full for
    // real; false where mounting is not allowed. growSmallDisk() then makes room.
    bool useSmallDisk();
    void growSmallDisk();

    QTemporaryDir m_dir;
    QString m_appPath;
    std::unique_ptr<FakePlatform> m_fake;
    AppState m_state;
    std::unique_ptr<Form1> m_form1;
    QString m_small; // the small file system, with its final separator, while mounted
};
