#pragma once

// Hand-overs between our threads, told to the thread sanitizer. Data that one thread passes
// to another through Qt (a queued call, a queued signal, the end of a QThread) travels
// through Qt's own locks and event queues, which the sanitizer cannot see into because Qt is
// not built with it. The sending side calls raceRelease() on a token (the payload's address
// or the receiving object's) just before it hands the data over, the receiving side calls
// raceAcquire() on the same token before it touches the data: everything the sender did
// before happens before what the receiver does after. Without the sanitizer both are empty.
//
// A queued call's function is wrapped in raceHandOver(): Qt moves it into the call object it
// posts, so the hand-over is released there, after the move, and acquired by the call.

#include <utility>

#if defined(__SANITIZE_THREAD__)
#define SNAPWELL_RACECHECK 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define SNAPWELL_RACECHECK 1
#endif
#endif

#ifdef SNAPWELL_RACECHECK
extern "C" void AnnotateHappensBefore(const char* file, int line, const volatile void* token);
extern "C" void AnnotateHappensAfter(const char* file, int line, const volatile void* token);

inline void raceRelease(const void* token) {
    AnnotateHappensBefore(__FILE__, __LINE__, token);
}
inline void raceAcquire(const void* token) {
    AnnotateHappensAfter(__FILE__, __LINE__, token);
}

template <typename F> class RaceHandOver {
public:
    explicit RaceHandOver(F&& f) : m_f(std::move(f)) {}
    // The last move is the one into Qt's call object, whose place is the token.
    RaceHandOver(RaceHandOver&& other) : m_f(std::move(other.m_f)) { raceRelease(this); }
    RaceHandOver(const RaceHandOver&) = delete;
    RaceHandOver& operator=(const RaceHandOver&) = delete;
    RaceHandOver& operator=(RaceHandOver&&) = delete;
    // The call object ends after the call, or unrun when its receiver is gone.
    ~RaceHandOver() { raceAcquire(this); }

    // Whichever thread drops the last reference to the call object destroys it, the sending
    // one as well: what the call did is released for it.
    template <typename... Args> decltype(auto) operator()(Args&&... args) {
        raceAcquire(this);
        const Called called{this};
        return m_f(std::forward<Args>(args)...);
    }

private:
    struct Called {
        const void* token;
        ~Called() { raceRelease(token); }
    };

    F m_f;
};

template <typename F> RaceHandOver<F> raceHandOver(F f) {
    return RaceHandOver<F>(std::move(f));
}
#else
inline void raceRelease(const void*) {}
inline void raceAcquire(const void*) {}
template <typename F> F raceHandOver(F f) {
    return f;
}
#endif
