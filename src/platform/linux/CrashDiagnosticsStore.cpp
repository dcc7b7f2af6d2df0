#include "platform/linux/CrashDiagnosticsStore.h"

#include "core/services/CrashRecord.h"
#include "platform/linux/XdgPaths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tavrilux::linux_platform {

namespace {

struct FileDescriptor {
    int fd = -1;
    explicit FileDescriptor(int value) : fd(value) {}
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
};

// The record in `name`, when it is a regular file of ours small enough to be one.
std::optional<CrashRecord> readRecord(int folder, const char* name) {
    FileDescriptor file(::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd < 0) {
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        static_cast<std::size_t>(info.st_size) > CrashRecord::kMaxBytes) {
        return std::nullopt;
    }
    std::string text;
    char buffer[8192];
    for (;;) {
        const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > CrashRecord::kMaxBytes) {
            return std::nullopt;
        }
    }
    return CrashRecord::parse(text);
}

} // namespace

CrashDiagnosticsStore::CrashDiagnosticsStore(std::filesystem::path folder)
    : folder_(std::move(folder)) {}

std::filesystem::path CrashDiagnosticsStore::defaultFolder() {
    return XdgPaths::stateHome() / "tavrilux" / "diagnostics";
}

std::size_t CrashDiagnosticsStore::deliverPending(DiagnosticSubscriber& subscriber) {
    FileDescriptor folder(::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.fd < 0) {
        return 0;
    }
    struct stat info {};
    if (::fstat(folder.fd, &info) != 0 || info.st_uid != ::geteuid() ||
        (info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return 0; // someone else could have placed or swapped these files
    }
    std::vector<std::string> names;
    {
        DIR* listing = ::fdopendir(::dup(folder.fd));
        if (!listing) {
            return 0;
        }
        while (const dirent* entry = ::readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        ::closedir(listing);
    }

    struct Pending {
        std::string name;
        CrashRecord record;
    };
    std::vector<Pending> pending;
    for (const auto& name : names) {
        struct stat entry {};
        if (::fstatat(folder.fd, name.c_str(), &entry, AT_SYMLINK_NOFOLLOW) != 0 ||
            S_ISDIR(entry.st_mode)) {
            continue;
        }
        if (auto record = readRecord(folder.fd, name.c_str())) {
            pending.push_back({name, std::move(*record)});
        } else {
            ::unlinkat(folder.fd, name.c_str(), 0);
        }
    }
    if (pending.empty()) {
        return 0;
    }
    std::sort(pending.begin(), pending.end(), [](const Pending& a, const Pending& b) {
        return a.record.time != b.record.time ? a.record.time < b.record.time : a.name < b.name;
    });
    std::vector<DiagnosticPayload> payloads;
    payloads.reserve(pending.size());
    for (const auto& item : pending) {
        payloads.push_back(item.record.payload());
    }
    subscriber.didReceive(payloads);
    for (const auto& item : pending) {
        ::unlinkat(folder.fd, item.name.c_str(), 0);
    }
    return pending.size();
}

} // namespace tavrilux::linux_platform
