#pragma once

#include <functional>

namespace tavrilux {

// A key combination that reaches this program whichever application is in front.
//
// Contract:
// - registerHotKey() claims the combination; each press then calls `onPress` in a main-queue
//   task, once per press however long the keys are held. It returns 0 when the combination is
//   claimed, kNoKey when the keyboard has no key for it, else the platform's non-zero status.
//   After 0 or kNoKey the registration stands; otherwise nothing stays claimed.
// - While it stands, the combination follows the keyboard: when the keys change (a key for it
//   appears, moves or goes away, or a modifier moves), it is claimed anew and
//   `onKeymapChange` is called in a main-queue task with what registering would now return
//   (after a refusal nothing is claimed until the next change). A change that leaves the
//   combination's keys alone calls nothing.
// - unregisterHotKey() gives it up; no press or change is delivered afterwards, not even one
//   already queued.
// Main thread only.
class GlobalHotKey {
public:
    GlobalHotKey() = default;
    virtual ~GlobalHotKey() = default;
    GlobalHotKey(const GlobalHotKey&) = delete;
    GlobalHotKey& operator=(const GlobalHotKey&) = delete;

    static constexpr int kNoKey = -2;

    virtual int registerHotKey(std::function<void()> onPress,
                               std::function<void(int status)> onKeymapChange) = 0;
    virtual void unregisterHotKey() = 0;
};

} // namespace tavrilux
