#pragma once

#include <Qsci/qsciglobal.h>

#include <cstddef>

// The editor's interface for filling a document that no view shows yet (SCI_CREATELOADER).
// The editor's headers do not ship it, so it is declared here, once, as the editor 2.13 (whose
// core is of the 3.x line) lays it out: three virtual functions in this order. Its AddData may
// be called from another thread, since nothing else touches that document; the loader itself
// is made and turned into a document on the window's thread. Implemented in the editor's
// library, so it must not have internal linkage (the compiler would take the calls for calls
// of pure functions), and named as the library names it, so that the type checks of the
// undefined-behaviour sanitizer see the library's own interface.
static_assert(QSCINTILLA_VERSION >= 0x020d00 && QSCINTILLA_VERSION < 0x020e00,
              "the loader interface below is checked against the editor 2.13 only");

class ILoader {
public:
    virtual int Release() = 0;
    // A status code: 0 when the bytes are in.
    virtual int AddData(const char* data, std::ptrdiff_t length) = 0;
    virtual void* ConvertToDocument() = 0;

protected:
    ~ILoader() = default;
};
