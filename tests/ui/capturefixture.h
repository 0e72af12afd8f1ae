// The capture fixture: the main window started and monitoring, on a collection directory of
// its own.
#pragma once

#include "tests/support/fixture.h"

inline const QByteArray kTildes(49, '~');

class CaptureTest : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        start();
        startMonitoring();
    }
    QByteArray dat() const { return readFile(files() + u"clipbrd.dat"_s); }
};
