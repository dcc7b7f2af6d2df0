#include "core/focus/FocusDetection.h"

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

std::map<DisplayID, ScreenFocusTarget> focusTargets(const std::vector<WindowRecord>& records,
                                                    const std::vector<ScreenGeometry>& screens,
                                                    ProcessID ownPID,
                                                    const ApplicationLookup& applicationInfo) {
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
        const WindowRecord* top = nullptr;
        const std::optional<WindowApplication>* application = nullptr;
        for (const auto& candidate : candidates) {
            const auto& answer = lookup(candidate.ownerPID);
            if (answer) {
                top = &candidate;
                application = &answer;
                break;
            }
        }
        if (top == nullptr) {
            continue;
        }
        const auto owned = ownedWindows(top->ownerPID, candidates);
        targets.insert_or_assign(screen.id, ScreenFocusTarget{screen.id, top->ownerPID,
                                                              (*application)->bundleIdentifier,
                                                              top->number, owned.back().number,
                                                              primaryWindow(owned, *top).frame});
    }
    return targets;
}

std::optional<DisplayID> resolveActiveScreenID(const std::vector<WindowRecord>& records,
                                               const std::vector<ScreenGeometry>& screens,
                                               ProcessID ownPID,
                                               const ApplicationLookup& applicationInfo) {
    const WindowRecord* front = nullptr;
    for (const auto& record : records) {
        if (record.ownerPID != ownPID && record.layer == 0 && applicationInfo(record.ownerPID)) {
            front = &record;
            break;
        }
    }
    if (front == nullptr) {
        return std::nullopt;
    }
    const auto owned = ownedWindows(front->ownerPID, records);
    const Rect mainFrame = primaryWindow(owned, *front).frame;

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
    scene.targets = focusTargets(records, screens, ownPID, applicationInfo);
    scene.activeScreenID = resolveActiveScreenID(records, screens, ownPID, applicationInfo);
    scene.isMissionControlActive = snapshot.isMissionControlActive(bundleIdentifierOf);
    return scene;
}

} // namespace tavrilux::FocusDetection
