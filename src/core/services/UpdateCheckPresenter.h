#pragma once

#include <string>

namespace tavrilux {

// How a check the user asked for ended.
struct UpdateCheckOutcome final {
    enum class Kind {
        // A newer release exists: `version` is its display version, `downloadUrl` may be empty.
        updateFound,
        // The running version is the newest: `version` is the running version.
        upToDate,
        // The feed could not be fetched or read: `message` says why.
        failed,
    };
    Kind kind = Kind::failed;
    std::string version;
    std::string downloadUrl;
    std::string message;

    friend bool operator==(const UpdateCheckOutcome&, const UpdateCheckOutcome&) = default;
};

// Tells the user the outcome of a check they asked for, in a small window. Main thread only.
class UpdateCheckPresenter {
public:
    UpdateCheckPresenter() = default;
    virtual ~UpdateCheckPresenter() = default;
    UpdateCheckPresenter(const UpdateCheckPresenter&) = delete;
    UpdateCheckPresenter& operator=(const UpdateCheckPresenter&) = delete;

    virtual void present(const UpdateCheckOutcome& outcome) = 0;
};

} // namespace tavrilux
