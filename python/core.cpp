// vornexdo1m._core: runs one vxdoe job in-process and hands back its exit
// status and what it printed, so that the Python functions return exactly
// what the command line returns for the same words.
#include "tools/vxdoe/cli.h"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace py = pybind11;

namespace {

std::tuple<int, py::bytes, py::bytes> run(const std::vector<std::string>& words, const std::string& library) {
    std::ostringstream out, err;
    int status = 0;
    {
        // A search may take seconds: other Python threads run meanwhile.
        py::gil_scoped_release released;
        status = vxdoe::runCommandLine(words, library, out, err);
    }
    return {status, py::bytes(out.str()), py::bytes(err.str())};
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "vxdoe's jobs run in-process on the VORNEXDO1M library";
    m.def("run", &run, py::arg("words"), py::arg("library"),
          "Runs vxdoe with these words on the library at that path: (status, stdout, stderr).");
}
