// The host side of vxdoe: loads the library at run time exactly as a
// spreadsheet host does (flat column-major arrays, BSTRs from the allocator
// the library uses, VARIANT_BOOL flags) and reads a job's options. Every
// job lives in its own job_*.cpp and registers itself with a one-line
// summary and the table of the options it reads:
//
//     static const vxdoe::JobRegistration kCounts{
//         {"counts", "run and model-column counts of a full factorial",
//          {vxdoe::integers("levels", "level count of each factor").atLeast(1).mandatory()},
//          runCounts}};
//
// where runCounts(Library&, const Args&, Output&) returns the exit code and
// hands its table and figures to the Output (output.h), which every job
// shares with the options --format, --output and --report.
// The command line is parsed from these tables (cli.h), so the help, the
// checks and what a job may read come from one place.
#pragma once

#include "boundary/VORNEXDO1M.h"

#include <cmath>
#include <map>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace vxdoe {

class Output;

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

    // The file the library was loaded from.
    std::string path() const;

private:
    void* address(const char* name) const;
    void* handle_;
};

// What an option holds. Lists are comma-separated, with no spaces; in a list
// of whole numbers s^k stands for k items s (at most 10000 items in all).
enum class Kind { Flag, Integer, Number, Integers, Numbers, Text, Choice };

// One option of a job, as its table declares it.
struct Option {
    std::string name;                  // without "--"
    Kind kind = Kind::Text;
    std::string meaning;               // one line, for the help
    std::string fallback;              // the default as the help shows it; empty: none shown
    double min = -HUGE_VAL;            // bounds of a number, or of each item of a list
    double max = HUGE_VAL;
    std::vector<std::string> choices;  // the values a Choice takes
    bool required = false;
    bool repeated = false;             // may be given many times, each value kept (Args::texts)
    std::string placeholder;           // the value in the help ("N", "PATH"); from the kind when empty

    Option& atLeast(double lo) { return min = lo, *this; }
    Option& within(double lo, double hi) { return min = lo, max = hi, *this; }
    Option& byDefault(std::string shown) { return fallback = std::move(shown), *this; }
    Option& mandatory() { return required = true, *this; }
    Option& repeatable() { return repeated = true, *this; }
    Option& shownAs(std::string value) { return placeholder = std::move(value), *this; }
};

Option flag(std::string name, std::string meaning);
Option integer(std::string name, std::string meaning);
// A seed for a run given none, within what --seed reads back (1 to 2^31 - 2),
// so that the seed a run reports always repeats it.
std::int32_t newSeed();
Option number(std::string name, std::string meaning);
Option integers(std::string name, std::string meaning);
Option numbers(std::string name, std::string meaning);
Option text(std::string name, std::string meaning);
Option choice(std::string name, std::string meaning, std::vector<std::string> values);

// The bounds of a number option, as the help and the messages give them
// ("at least 1", "1 to 4"); empty when it has none.
std::string rangeText(const Option& option);

// Why value does not suit option (not a number, out of range, not one of
// the choices), or an empty string when it does: the parser refuses such a
// value before any library is loaded, with the same reading Args makes.
std::string valueProblem(const Option& option, const std::string& value);

// A job read an option its table does not declare.
struct UndeclaredOption : std::logic_error {
    using std::logic_error::logic_error;
};

// A job's options as given: name (without "--") to value, empty for a flag;
// a repeatable option to every value it was given, in order.
// A job may read only the options its table declares; reading any other is
// a fault of the job (UndeclaredOption), which the tests run into.
class Args {
public:
    Args(std::map<std::string, std::string> values, const std::vector<Option>& declared,
         std::map<std::string, std::vector<std::string>> repeated = {});
    bool has(const std::string& name) const;
    std::string text(const std::string& name, const std::string& fallback) const;
    std::vector<std::string> texts(const std::string& name) const;
    int integer(const std::string& name, int fallback) const;
    double number(const std::string& name, double fallback) const;
    std::vector<int> integers(const std::string& name) const;
    std::vector<double> numbers(const std::string& name) const;

private:
    const std::string& value(const std::string& name) const;
    std::map<std::string, std::string> values_;
    std::vector<std::string> declared_;
    std::map<std::string, std::vector<std::string>> repeated_;
};

struct Job {
    std::string name;
    std::string summary;          // one line, for `vxdoe --help`
    std::vector<Option> options;  // every option the job reads
    int (*run)(const Library&, const Args&, Output&);
    std::string notes = {};       // paragraphs after the options in the job's help
};

struct JobRegistration {
    explicit JobRegistration(Job job);
};

const std::vector<Job>& registeredJobs();

std::string toUtf8(const std::u16string& s);
std::u16string fromUtf8(const std::string& s);

}  // namespace vxdoe
