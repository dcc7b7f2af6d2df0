#include "fakes/FakeDesktop.h"

#include <algorithm>
#include <stdexcept>

namespace tavrilux::fakes {

FakeDesktop::FakeDesktop() {
    processes_[kOverviewPID] = RunningApplication{kOverviewPID, std::string(kOverviewOwnerKey),
                                                  "overview", ActivationPolicy::prohibited, ""};
}

std::optional<WindowSnapshot> FakeDesktop::captureSnapshot() {
    ++snapshots_;
    if (!readable_) {
        return std::nullopt;
    }
    WindowSnapshot snapshot;
    if (overviewShown_) {
        snapshot.windowInfo.push_back(
            WindowInfo{1, kOverviewPID, WindowSnapshot::kOverviewLayer, WindowBounds{0, 0, 1, 1}});
    }
    snapshot.windowInfo.insert(snapshot.windowInfo.end(), windows_.begin(), windows_.end());
    snapshot.activeWindow = activeWindow_;
    return snapshot;
}

std::optional<std::string> FakeDesktop::displayUUID(DisplayID display) const {
    auto it = uuids_.find(display);
    return it == uuids_.end() ? std::nullopt : std::optional<std::string>(it->second);
}

std::optional<RunningApplication> FakeDesktop::runningApplication(ProcessID pid) const {
    ++lookups_[pid];
    auto it = processes_.find(pid);
    return it == processes_.end() ? std::nullopt : std::optional<RunningApplication>(it->second);
}

void FakeDesktop::addScreen(std::optional<DisplayID> number, Rect frame,
                            std::optional<std::string> uuid) {
    screens_.push_back(Screen{number, frame, "screen-" + std::to_string(screens_.size() + 1)});
    if (number && uuid) {
        uuids_[*number] = *uuid;
    }
}

void FakeDesktop::addProcess(ProcessID pid, std::optional<std::string> key,
                             ActivationPolicy policy) {
    processes_[pid] =
        RunningApplication{pid, key, key.value_or("process " + std::to_string(pid)), policy, ""};
}

void FakeDesktop::addWindow(WindowNumber number, ProcessID owner, WindowBounds bounds, int layer) {
    windows_.push_back(WindowInfo{number, owner, layer, bounds});
}

namespace {
std::vector<WindowInfo>::iterator find(std::vector<WindowInfo>& windows, WindowNumber number) {
    auto it = std::find_if(windows.begin(), windows.end(),
                           [&](const WindowInfo& info) { return info.number == number; });
    if (it == windows.end()) {
        throw std::invalid_argument("no such window");
    }
    return it;
}
} // namespace

void FakeDesktop::raise(WindowNumber number) {
    auto it = find(windows_, number);
    std::rotate(windows_.begin(), it, it + 1);
}

void FakeDesktop::moveWindow(WindowNumber number, WindowBounds bounds) {
    find(windows_, number)->bounds = bounds;
}

void FakeDesktop::removeWindow(WindowNumber number) {
    windows_.erase(find(windows_, number));
}

void FakeDesktop::activate(ProcessID pid) {
    std::stable_partition(windows_.begin(), windows_.end(),
                          [&](const WindowInfo& info) { return info.ownerPID == pid; });
    workspace.activate(runningApplication(pid));
}

int FakeDesktop::lookupCount(ProcessID pid) const {
    auto it = lookups_.find(pid);
    return it == lookups_.end() ? 0 : it->second;
}

} // namespace tavrilux::fakes
