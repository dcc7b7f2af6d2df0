#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace tavrilux {

// One thread that runs posted jobs one at a time, in the order they were posted. Jobs may post
// further jobs. Stopping (or destroying) the worker lets the running job finish and drops those
// not started; later posts are dropped too. When the worker is stopped from inside one of its
// jobs, the thread ends by itself after that job.
class SerialWorker final {
public:
    // Whether stopping waits for the running job, or leaves it to end on its own: for jobs that
    // may never return, which must not hold up whoever stops the worker.
    enum class OnStop { waitForRunningJob, leaveRunningJob };

    explicit SerialWorker(OnStop onStop = OnStop::waitForRunningJob);
    ~SerialWorker();
    SerialWorker(const SerialWorker&) = delete;
    SerialWorker& operator=(const SerialWorker&) = delete;

    void post(std::function<void()> job);
    // Waits for the running job, if any (unless made to leave it); idempotent. Not while another
    // thread destroys the worker.
    void stop();

private:
    struct State {
        std::mutex mutex;
        std::condition_variable wake;
        std::deque<std::function<void()>> jobs;
        bool stopping = false;
    };
    static void run(const std::shared_ptr<State>& state);

    OnStop onStop_;
    std::shared_ptr<State> state_;
    std::thread thread_;
};

} // namespace tavrilux
