// vornexdo1m._core: runs one vxdoe job in-process and hands back its exit
// status and what it printed, so that the Python functions return exactly
// what the command line returns for the same words.
#include "tools/vxdoe/cli.h"
#include "tools/vxdoe/output.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace py = pybind11;

namespace {

// One job on its own thread. It is shared with the caller, so that a caller
// who stops waiting (Ctrl-C) can leave the job to end within its own budget
// without its streams going away under it.
struct Job {
    std::ostringstream out, err;
    int status = 1;
    bool done = false;
    std::mutex mutex;
    std::condition_variable finished;
};

void work(const std::shared_ptr<Job>& job, const std::vector<std::string>& words, const std::string& library) {
    int status = 1;
    try {
        status = vxdoe::runCommandLine(words, library, job->out, job->err);
    } catch (const std::exception& e) {
        job->err << "vxdoe: " << e.what() << '\n';
    } catch (...) {
        job->err << "vxdoe: the job failed\n";
    }
    const std::lock_guard<std::mutex> lock(job->mutex);
    job->status = status;
    job->done = true;
    job->finished.notify_all();
}

// How often a waiting caller looks for a signal (Ctrl-C) from Python.
constexpr auto kSignalPoll = std::chrono::milliseconds(50);

std::tuple<int, py::bytes, py::bytes> run(const std::vector<std::string>& words, const std::string& library) {
    auto job = std::make_shared<Job>();
    std::thread worker(work, job, words, library);
    {
        // A search may take seconds: other Python threads run meanwhile.
        py::gil_scoped_release released;
        std::unique_lock<std::mutex> lock(job->mutex);
        while (!job->finished.wait_for(lock, kSignalPoll, [&] { return job->done; })) {
            lock.unlock();
            {
                py::gil_scoped_acquire held;
                if (PyErr_CheckSignals() != 0) {
                    worker.detach();
                    throw py::error_already_set();
                }
            }
            lock.lock();
        }
    }
    worker.join();
    return {job->status, py::bytes(job->out.str()), py::bytes(job->err.str())};
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "vxdoe's jobs run in-process on the VORNEXDO1M library";
    m.def("run", &run, py::arg("words"), py::arg("library"),
          "Runs vxdoe with these words on the library at that path: (status, stdout, stderr).");
    m.def("shortest", &vxdoe::shortest, py::arg("value"),
          "A number as vxdoe's CSV writes it: the shortest text that reads back as the same double.");
}
