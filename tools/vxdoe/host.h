// The host side of vxdoe: loads the library at run time exactly as a
// spreadsheet host does (flat column-major arrays, BSTRs from the allocator
// the library uses, VARIANT_BOOL flags), parses a job's options and prints
// CSV. Every job lives in its own job_*.cpp and registers itself:
//
//     static const vxdoe::JobRegistration kCounts{{"counts", "--levels L1,L2,...",
//                                                  {"levels"}, runCounts}};
//
// where runCounts(Library&, const Args&, std::ostream&) returns the exit code.
#pragma once

#include "boundary/VORNEXDO1M.h"

#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vxdoe {

// A bad argument: main prints its message on one line and exits with 2.
struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Library {
public:
    // Loads the library from path; throws UsageError when it cannot.
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // The exported function of that name, as a pointer of type Fn*.
    template <class Fn>
    Fn* entry(const char* name) const {
        return reinterpret_cast<Fn*>(address(name));
    }

    // BSTRs allocated and freed the way a host does.
    BSTR allocString(const std::u16string& s) const;
    void freeString(BSTR b) const;
    std::u16string readString(BSTR b) const;

private:
    void* address(const char* name) const;
    void* handle_;
};

// Options as given: `--name value` or a bare `--name` flag.
class Args {
public:
    Args(const std::vector<std::string>& tokens, const std::vector<std::string>& allowed);
    bool has(const std::string& name) const { return values_.count(name) != 0; }
    std::string text(const std::string& name, const std::string& fallback) const;
    int integer(const std::string& name, int fallback) const;
    double number(const std::string& name, double fallback) const;
    std::vector<int> integers(const std::string& name) const;
    std::vector<double> numbers(const std::string& name) const;

private:
    const std::string& value(const std::string& name) const;
    std::map<std::string, std::string> values_;
};

struct Job {
    std::string name;
    std::string usage;                 // the options, as shown in the usage text
    std::vector<std::string> options;  // accepted option names, without "--"
    int (*run)(const Library&, const Args&, std::ostream&);
};

struct JobRegistration {
    explicit JobRegistration(Job job);
};

const std::vector<Job>& registeredJobs();

// Numbers print in their shortest round-trip form, identical on every
// platform; the no-value constant prints as an empty cell.
std::string formatNumber(double v);
std::string toUtf8(const std::u16string& s);
std::u16string fromUtf8(const std::string& s);
void printRow(std::ostream& out, const std::vector<std::string>& cells);
// Prints a rows x cols column-major array under a header row.
void printTable(std::ostream& out, const std::vector<std::string>& header, const double* cells, int rows, int cols);

}  // namespace vxdoe
