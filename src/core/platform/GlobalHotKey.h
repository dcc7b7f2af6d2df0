#pragma once

#include <functional>

namespace tavrilux {

// A key combination that reaches this program whichever application is in front.
//
// Contract:
// - registerHotKey() claims the combination; each press then calls `onPress` in a main-queue
//   task, once per press however long the keys are held. It returns 0 when the combination is
//   claimed, kNoKey when the keyboard has no key for it, else the platform's non-zero status;
//   unless it returns 0, nothing stays claimed.
// - unregisterHotKey() gives it up; no press is delivered afterwards, not even one already queued.
// Main thread only.
class GlobalHotKey {
public:
    GlobalHotKey() = default;
    virtual ~GlobalHotKey() = default;
    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    static constexpr int kNoKey = -2;

    virtual int registerHotKey(std::function<void()> onPress) = 0;
    virtual void unregisterHotKey() = 0;
};

} // namespace tavrilux
