#pragma once

#include "core/overlay/OverlayWindowPort.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

namespace tavrilux::fakes {

class FakeOverlayWindowFactory;

// One ordering call as the window received it.
struct OrderCall final {
    WindowOrderingMode mode;
    WindowNumber relativeTo;
    friend bool operator==(const OrderCall&, const OrderCall&) = default;
};

// An overlay window that records what it was told. It lives on the factory's virtual workspace:
// ordered in while one workspace is current, it is not on the active one after a switch.
class FakeOverlayWindowPort final : public OverlayWindowPort {
public:
    FakeOverlayWindowPort(FakeOverlayWindowFactory& factory, Rect frame,
                          const OverlayPaintSource& source, std::size_t serial);
    ~FakeOverlayWindowPort() override;

    void order(WindowOrderingMode mode, WindowNumber relativeTo) override;
    void orderOut() override;
    bool isVisible() const override { return visible_; }
    bool isOnActiveSpace() const override;
    void setNeedsDisplay() override { ++needsDisplayCount_; }

    const Rect& frame() const { return frame_; }
    const OverlayPaintSource& source() const { return source_; }
    // Creation order over the factory's life, from 0.
    std::size_t serial() const { return serial_; }
    // Where the window lies now; none while it is ordered out.
    std::optional<OrderCall> placement() const {
        return visible_ ? lastOrder_ : std::optional<OrderCall>{};
    }
    std::size_t orderOutCount() const { return orderOutCount_; }
    // Every ordering call so far, first to last.
    const std::vector<OrderCall>& orders() const { return orders_; }
    std::size_t needsDisplayCount() const { return needsDisplayCount_; }

private:
    FakeOverlayWindowFactory& factory_;
    Rect frame_;
    const OverlayPaintSource& source_;
    std::size_t serial_;
    bool visible_ = false;
    int space_ = 0;
    std::optional<OrderCall> lastOrder_;
    std::vector<OrderCall> orders_;
    std::size_t orderOutCount_ = 0;
    std::size_t needsDisplayCount_ = 0;
};

// Makes recording windows and keeps a list of the ones alive.
class FakeOverlayWindowFactory final : public OverlayWindowFactory {
public:
    std::unique_ptr<OverlayWindowPort> makeWindow(const Rect& frame,
                                                  const OverlayPaintSource& source) override {
        return std::make_unique<FakeOverlayWindowPort>(*this, frame, source, created_++);
    }
    // The desktop never blurs behind windows here.
    bool isBackdropAvailable() const override { return false; }

    int currentSpace() const { return currentSpace_; }
    void setCurrentSpace(int space) { currentSpace_ = space; }

    std::size_t createdCount() const { return created_; }
    const std::vector<FakeOverlayWindowPort*>& liveWindows() const { return live_; }
    std::vector<FakeOverlayWindowPort*> visibleWindows() const {
        std::vector<FakeOverlayWindowPort*> result;
        std::copy_if(live_.begin(), live_.end(), std::back_inserter(result),
                     [](const FakeOverlayWindowPort* w) { return w->isVisible(); });
        return result;
    }
    FakeOverlayWindowPort* lastCreated() const { return live_.empty() ? nullptr : live_.back(); }

private:
    friend class FakeOverlayWindowPort;
    int currentSpace_ = 0;
    std::size_t created_ = 0;
    std::vector<FakeOverlayWindowPort*> live_;
};

inline FakeOverlayWindowPort::FakeOverlayWindowPort(FakeOverlayWindowFactory& factory, Rect frame,
                                                    const OverlayPaintSource& source,
                                                    std::size_t serial)
    : factory_(factory), frame_(frame), source_(source), serial_(serial) {
    factory_.live_.push_back(this);
}

inline FakeOverlayWindowPort::~FakeOverlayWindowPort() {
    std::erase(factory_.live_, this);
}

inline void FakeOverlayWindowPort::order(WindowOrderingMode mode, WindowNumber relativeTo) {
    if (!visible_) {
        space_ = factory_.currentSpace_;
    }
    visible_ = true;
    lastOrder_ = OrderCall{mode, relativeTo};
    orders_.push_back(*lastOrder_);
}

inline void FakeOverlayWindowPort::orderOut() {
    visible_ = false;
    ++orderOutCount_;
}

inline bool FakeOverlayWindowPort::isOnActiveSpace() const {
    return !visible_ || space_ == factory_.currentSpace_;
}

} // namespace tavrilux::fakes
