#include "core/focus/FocusDetection.h"

#include <algorithm>
#include <unordered_map>

namespace tavrilux::FocusDetection {

std::vector<WindowRecord> ownedWindows(ProcessID pid, const std::vector<WindowRecord>& records) {
    std::vector<WindowRecord> owned;
    for (const auto& record : records) {
        if (record.ownerPID == pid && record.layer == 0) {
            owned.push_back(record);
        }
    }
    return owned;
}

const WindowRecord& primaryWindow(const std::vector<WindowRecord>& records,
                                  const WindowRecord& fallback) {
    for (const auto& record : records) {
        if (record.frame.width >= kPrimaryWindowMinimumSize &&
            record.frame.height >= kPrimaryWindowMinimumSize) {
            return record;
        }
    }
    return fallback;
}

std::optional<WindowRecord> focusedWindow(const std::vector<WindowRecord>& records,
                                          std::optional<WindowNumber> activeWindow,
                                          const std::vector<ScreenGeometry>& screens,
                                          ProcessID ownPID,
                                          const ApplicationLookup& applicationInfo) {
    if (!activeWindow) {
        return std::nullopt;
    }
    const auto it = std::find_if(records.begin(), records.end(),
                                 [&](const WindowRecord& r) { return r.number == *activeWindow; });
    if (it == records.end() || it->ownerPID == ownPID || it->layer != 0 ||
        std::none_of(screens.begin(), screens.end(),
                     [&](const ScreenGeometry& s) { return it->frame.overlaps(s.frame); }) ||
        !applicationInfo(it->ownerPID)) {
        return std::nullopt;
    }
    return *it;
}

std::vector<WindowRecord> unbrokenRun(const std::vector<WindowRecord>& candidates,
                                      const WindowRecord& top) {
    auto it = std::find(candidates.begin(), candidates.end(), top);
    if (it == candidates.end()) {
        return {top};
    }
    const auto end = std::find_if(
        it, candidates.end(), [&](const WindowRecord& r) { return r.ownerPID != top.ownerPID; });
    return {it, end};
}

std::map<DisplayID, ScreenFocusTarget> focusTargets(const std::vector<WindowRecord>& records,
                                                    const std::vector<ScreenGeometry>& screens,
                                                    ProcessID ownPID,
                                                    const ApplicationLookup& applicationInfo,
                                                    const std::optional<WindowRecord>& focused) {
    // Shared by all displays of this call: one lookup per process per refresh.
    std::unordered_map<ProcessID, std::optional<WindowApplication>> known;
    const auto lookup = [&](ProcessID pid) -> const std::optional<WindowApplication>& {
        auto it = known.find(pid);
        if (it == known.end()) {
            it = known.emplace(pid, applicationInfo(pid)).first;
        }
        return it->second;
    };

    std::map<DisplayID, ScreenFocusTarget> targets;
    std::vector<WindowRecord> candidates;
    for (const auto& screen : screens) {
        candidates.clear();
        for (const auto& record : records) {
            if (record.ownerPID != ownPID && record.layer == 0 &&
                record.frame.overlaps(screen.frame)) {
                candidates.push_back(record);
            }
        }
        // The window the user types into leads wherever it lies in the stacking; windows above
        // it stay bright, as one overlay cannot dim them without dimming it.
        const WindowRecord* top =
            focused && focused->frame.overlaps(screen.frame) ? &*focused : nullptr;
        for (auto it = candidates.begin(); top == nullptr && it != candidates.end(); ++it) {
            if (lookup(it->ownerPID)) {
                top = &*it;
            }
        }
        // The focused window's application was asked before this call; it is asked again here.
        if (top == nullptr || !lookup(top->ownerPID)) {
            continue;
        }
        const auto run = unbrokenRun(candidates, *top);
        targets.insert_or_assign(
            screen.id,
            ScreenFocusTarget{screen.id, top->ownerPID, lookup(top->ownerPID)->bundleIdentifier,
                              top->number, run.back().number, primaryWindow(run, *top).frame});
    }
    return targets;
}

std::optional<DisplayID> resolveActiveScreenID(const std::vector<WindowRecord>& records,
                                               const std::vector<ScreenGeometry>& screens,
                                               ProcessID ownPID,
                                               const ApplicationLookup& applicationInfo,
                                               const std::optional<WindowRecord>& focused) {
    Rect mainFrame;
    if (focused) {
        mainFrame = focused->frame;
    } else {
        const WindowRecord* front = nullptr;
        for (const auto& record : records) {
            if (record.ownerPID != ownPID && record.layer == 0 &&
                applicationInfo(record.ownerPID)) {
                front = &record;
                break;
            }
        }
        if (front == nullptr) {
            return std::nullopt;
        }
        mainFrame = primaryWindow(ownedWindows(front->ownerPID, records), *front).frame;
    }

    std::optional<DisplayID> best;
    double bestArea = 0.0;
    for (const auto& screen : screens) {
        const double area = mainFrame.overlapArea(screen.frame);
        // Only a strictly larger area wins: the earlier display keeps a tie.
        if (area > bestArea) {
            bestArea = area;
            best = screen.id;
        }
    }
    return best;
}

FocusScene
buildScene(const WindowSnapshot& snapshot, const std::vector<ScreenGeometry>& screens,
           ProcessID ownPID, const ApplicationLookup& applicationInfo,
           const std::function<std::optional<std::string>(ProcessID)>& bundleIdentifierOf) {
    const auto records = snapshot.windowRecords(screens);
    FocusScene scene;
    const auto focused =
        focusedWindow(records, snapshot.activeWindow, screens, ownPID, applicationInfo);
    scene.targets = focusTargets(records, screens, ownPID, applicationInfo, focused);
    scene.activeScreenID =
        resolveActiveScreenID(records, screens, ownPID, applicationInfo, focused);
    scene.isMissionControlActive = snapshot.isMissionControlActive(bundleIdentifierOf);
    return scene;
}

} // namespace tavrilux::FocusDetection
