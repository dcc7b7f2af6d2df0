#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace tavrilux {

// One crash as the diagnostics source hands it over.
struct CrashDiagnostic final {
    // The diagnostic as JSON text.
    std::string jsonRepresentation;
};

// A batch of diagnostics covering a span of time that ends at timeStampEnd.
struct DiagnosticPayload final {
    std::chrono::system_clock::time_point timeStampEnd;
    std::vector<CrashDiagnostic> crashDiagnostics;
};

// Receives the diagnostics of earlier runs. didReceive() may be called on any thread.
class DiagnosticSubscriber {
public:
    DiagnosticSubscriber() = default;
    virtual ~DiagnosticSubscriber() = default;
    DiagnosticSubscriber(const DiagnosticSubscriber&) = delete;
    DiagnosticSubscriber& operator=(const DiagnosticSubscriber&) = delete;

    virtual void didReceive(const std::vector<DiagnosticPayload>& payloads) = 0;
};

} // namespace tavrilux
