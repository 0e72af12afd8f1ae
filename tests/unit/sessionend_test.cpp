// Termination requests reach the event loop safely from a signal handler.
#include "platform/sessionend.h"

#include <QCoreApplication>
#include <QProcess>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// A storm of signals while the event loop is busy: the handler never waits for its socket
// and leaves errno as the interrupted code had it. In a process of its own, which the first
// signal dooms (the last resort ends it a few seconds later).
TEST(SessionEnd, ASignalStormNeitherBlocksNorChangesErrno) {
    if (qEnvironmentVariableIsEmpty("SNAPWELL_SIGNAL_STORM")) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"SNAPWELL_SIGNAL_STORM"_s, u"1"_s);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=SessionEnd.*"_s});
        ASSERT_TRUE(child.waitForFinished(kLastResortSeconds * 1000 - 1000)) << "the signal handler blocked";
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        return;
    }
    QObject context;
    int calls = 0;
    onSessionEnd(&context, [&] { ++calls; });
    // Far more bytes than the socket holds, none of them read meanwhile.
    for (int i = 0; i < 5000; ++i) {
        errno = EDOM;
        std::raise(SIGTERM);
        ASSERT_EQ(errno, EDOM) << "after signal " << i;
    }
    EXPECT_TRUE(terminationRequested());
    QCoreApplication::processEvents();
    EXPECT_GT(calls, 0);
    ::alarm(0);
}

} // namespace
