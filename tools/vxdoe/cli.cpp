#include "tools/vxdoe/cli.h"

#include "tools/vxdoe/host.h"
#include "tools/vxdoe/output.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <map>
#include <memory>

namespace vxdoe {

namespace {

// Edits (insertions, deletions, substitutions, swaps of neighbours) from a to b.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// The candidate meant by a misspelt word: the one closest to it within two
// edits (one for short words), or the only one it begins. Empty: none.
std::string nearMiss(const std::string& word, const std::vector<std::string>& candidates) {
    std::string best;
    std::size_t bestDistance = word.size() <= 4 ? 1 : 2;
    for (const std::string& c : candidates) {
        const std::size_t d = editDistance(word, c);
        if (d <= bestDistance && (best.empty() || d < bestDistance)) best = c, bestDistance = d;
    }
    if (!best.empty()) return best;
    std::vector<std::string> extending;
    for (const std::string& c : candidates)
        if (!word.empty() && c.rfind(word, 0) == 0) extending.push_back(c);
    return extending.size() == 1 ? extending.front() : std::string();
}

std::string withNearMiss(std::string message, const std::string& word, const std::vector<std::string>& candidates,
                         const std::string& prefix = "") {
    const std::string meant = nearMiss(word, candidates);
    return meant.empty() ? message : message + " (did you mean " + prefix + meant + "?)";
}

std::string placeholder(const Option& o) {
    if (!o.placeholder.empty()) return o.placeholder;
    switch (o.kind) {
        case Kind::Flag: return {};
        case Kind::Integer: return "N";
        case Kind::Number: return "X";
        case Kind::Integers: return "N1,N2,...";
        case Kind::Numbers: return "X1,X2,...";
        case Kind::Text: return "TEXT";
        case Kind::Choice: break;
    }
    std::string all;
    for (const std::string& c : o.choices) all += (all.empty() ? "" : "|") + c;
    return all;
}

// The option's line in the help: its meaning, range and default.
std::string helpLine(const Option& o) {
    std::string line = o.meaning;
    if (const std::string range = rangeText(o); !range.empty())
        line += (o.kind == Kind::Integers || o.kind == Kind::Numbers ? " (each " : " (") + range + ")";
    if (!o.fallback.empty()) line += " [default: " + o.fallback + "]";
    if (o.repeated) line += " (repeatable)";
    return line;
}

// --help-all shows each job as "name: summary" followed by its options, a
// layout that also reads well once help2man has made it a manual page.
class JobsFormatter : public CLI::Formatter {
public:
    std::string make_expanded(const CLI::App* job) const override {
        std::string text = "\n" + job->get_name() + ": " + job->get_description() + "\n";
        for (const CLI::Option* o : job->get_options())
            if (o != job->get_help_ptr() && o != job->get_help_all_ptr()) text += make_option(o, false);
        if (!job->get_footer().empty()) text += "\n" + job->get_footer() + "\n";
        return text;
    }
};

struct ParsedJob {
    const Job* job = nullptr;
    CLI::App* command = nullptr;
    std::map<std::string, CLI::Option*> given;  // by option name
};

void addOption(CLI::App& command, const Option& o, ParsedJob& parsed) {
    const std::string help = helpLine(o);
    CLI::Option* cli = o.kind == Kind::Flag ? command.add_flag("--" + o.name, help)
                                            : command.add_option("--" + o.name, help);
    if (o.kind != Kind::Flag) {
        cli->type_name(placeholder(o));
        // CLI11 still counts every occurrence: an option given twice is
        // refused below rather than its last value silently winning, unless
        // it is one that adds an item each time.
        cli->multi_option_policy(o.repeated ? CLI::MultiOptionPolicy::TakeAll : CLI::MultiOptionPolicy::TakeLast);
        cli->check(CLI::Validator([&o](std::string& value) { return valueProblem(o, value); }, "", o.name));
    }
    if (o.required) cli->required();
    parsed.given[o.name] = cli;
}

std::vector<const Job*> jobsByName() {
    std::vector<const Job*> jobs;
    for (const Job& job : registeredJobs()) jobs.push_back(&job);
    std::sort(jobs.begin(), jobs.end(), [](const Job* a, const Job* b) { return a->name < b->name; });
    return jobs;
}

// One line for a parse error, naming the option (and what was meant).
std::string misuse(const CLI::ParseError& e, const ParsedJob& parsed) {
    const std::string what = e.what();
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr) {
        // "--runs: 1 required N missing"
        return what.substr(0, what.find(':')) + " needs a value";
    }
    if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr && parsed.job != nullptr) {
        // Near misses among a choice's values: "--design: 'cdd' is not one of ..."
        for (const Option& o : parsed.job->options) {
            auto given = parsed.given.find(o.name);
            if (o.kind == Kind::Choice && what.rfind("--" + o.name + ":", 0) == 0 && given->second->count() > 0)
                return withNearMiss(what, given->second->results().back(), o.choices);
        }
    }
    return what;
}

// The first option of the job that is followed by no value ("--levels
// --runs 9"): CLI11 would take the next option as its value, and the value of
// that one as a stray word. Empty when every option has its value.
std::string optionWithoutValue(const std::vector<std::string>& args, const std::vector<const Job*>& jobs) {
    const Job* job = nullptr;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (job == nullptr) {
            for (const Job* j : jobs)
                if (args[i] == j->name) job = j;
            continue;
        }
        for (const Option& o : job->options) {
            const bool takesValue = o.kind != Kind::Flag && args[i] == "--" + o.name;
            if (takesValue && (i + 1 == args.size() || args[i + 1].rfind("--", 0) == 0)) return args[i];
        }
    }
    return {};
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, const std::string& defaultLibrary, std::ostream& out,
                   std::ostream& err) {
    CLI::App app{"vxdoe " VXDOE_VERSION ": runs the design-of-experiments library on one job, as a spreadsheet "
                 "host does. The library is loaded from --library PATH, VXDOE_LIBRARY, or "
                 "beside the program. Every job prints one table (--format csv, tsv or json; --output FILE) and its "
                 "figures as `name: value` lines on stderr (--report FILE).",
                 "vxdoe"};
    app.formatter(std::make_shared<JobsFormatter>());
    app.get_formatter()->label("SUBCOMMAND", "JOB");
    app.get_formatter()->column_width(32);
    app.set_help_all_flag("--help-all", "Print the help of every job and exit");
    app.require_subcommand(0, 1);
    app.allow_extras();
    std::string libraryPath = defaultLibrary;
    app.add_option("--library", libraryPath, "the library to load")->type_name("PATH");
    const std::string versionHelp = "Print the version and the library it loads, and exit";
    CLI::Option* version = app.add_flag("--version", versionHelp);

    const std::vector<const Job*> jobs = jobsByName();
    std::vector<ParsedJob> parsed(jobs.size());
    std::vector<std::string> jobNames;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        parsed[i].job = jobs[i];
        parsed[i].command = app.add_subcommand(jobs[i]->name, jobs[i]->summary);
        parsed[i].command->fallthrough();  // --library may follow the job's options
        parsed[i].command->group("Jobs");
        if (!jobs[i]->notes.empty()) parsed[i].command->footer(jobs[i]->notes);
        for (const Option& o : jobs[i]->options) addOption(*parsed[i].command, o, parsed[i]);
        jobNames.push_back(jobs[i]->name);
    }
    auto chosen = [&]() -> const ParsedJob* {
        for (const ParsedJob& p : parsed)
            if (p.command->parsed()) return &p;
        return nullptr;
    };

    // Words no job or option claims, named on one line; empty when none.
    auto unclaimed = [&]() -> std::string {
        const std::vector<std::string> extras = app.remaining();
        if (extras.empty()) return {};
        const ParsedJob* job = chosen();
        const std::string& word = extras.front();
        if (job == nullptr && word.rfind("-", 0) != 0)
            return withNearMiss("unknown job '" + word + "'", word, jobNames);
        if (word.rfind("--", 0) != 0 || word.size() == 2) return "unexpected argument '" + word + "'";
        std::vector<std::string> names{"help", "library"};
        if (job != nullptr)
            for (const Option& o : job->job->options) names.push_back(o.name);
        else
            names.insert(names.end(), {"help-all", "version"});
        const std::string name = word.substr(0, word.find('='));
        return withNearMiss("unknown option " + name, name.substr(2), names, "--");
    };

    if (const std::string bare = optionWithoutValue(args, jobs); !bare.empty()) {
        err << "vxdoe: " << bare << " needs a value\n";
        return 2;
    }
    try {
        std::vector<std::string> reversed(args.rbegin(), args.rend());  // CLI11 takes them last first
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e, out, err);  // help
        // A misspelt option also leaves a required one missing: the misspelling is the news.
        const std::string unknown = unclaimed();
        const ParsedJob* job = chosen();
        err << "vxdoe: " << (unknown.empty() ? misuse(e, job ? *job : ParsedJob{}) : unknown) << '\n';
        return 2;
    }
    if (const std::string unknown = unclaimed(); !unknown.empty()) {
        err << "vxdoe: " << unknown << '\n';
        return 2;
    }

    const ParsedJob* job = chosen();
    try {
        if (version->count() > 0) {
            out << "vxdoe " << VXDOE_VERSION << '\n';
            const Library library(libraryPath);
            out << "library " << library.path() << '\n';
            return 0;
        }
        if (job == nullptr) {
            out << app.help();
            return 0;
        }
        std::map<std::string, std::string> values;
        std::map<std::string, std::vector<std::string>> repeated;
        for (const Option& o : job->job->options) {
            const CLI::Option* cli = job->given.at(o.name);
            if (o.repeated) {
                if (cli->count() > 0) repeated[o.name] = cli->results();
                continue;
            }
            if (cli->count() > 1) throw UsageError("--" + o.name + " is given more than once");
            if (cli->count() > 0) values[o.name] = o.kind == Kind::Flag ? std::string() : cli->results().back();
        }
        const Args options(std::move(values), job->job->options, std::move(repeated));
        Output output(job->job->name, formatOf(options), out, err);
        const Library library(libraryPath);
        const int status = job->job->run(library, options, output);
        output.write(options.text("output", ""), options.text("report", ""));
        return status;
    } catch (const UndeclaredOption&) {
        throw;  // a fault of the job, not a misuse
    } catch (const std::exception& e) {
        err << "vxdoe: " << e.what() << '\n';
        return 2;
    }
}

}  // namespace vxdoe
