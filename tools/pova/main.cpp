// pova: the command-line client. With a command on its command line it runs that command on
// a viewpoint of the cube; without one it reads commands from standard input, one per line,
// all on the same viewpoint: with line editing and history when the input is a terminal.
#include "ClientError.h"
#include "CubeSource.h"
#include "FormatCommand.h"
#include "Help.h"
#include "Session.h"

#include <basekit/BaseError.h>
#include <basekit/CoreLog.h>

#include <editline/readline.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The words of a script line. A line whose first character (after blanks) is '#' is a
// comment. A ';' that ends a word separates two commands of one transaction; inside a word it
// stays, as in the number format "#,##0;(#,##0)". Double quotes keep blanks and ';' in a word
// (the quotes stay part of it, as format strings need them).
std::vector<std::string> split(std::string const& line) {
    std::vector<std::string> words;
    std::size_t const first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos || line[first] == '#') {
        return words;
    }
    std::string word;
    bool quoted = false;
    auto end_word = [&] {
        if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    };
    for (std::size_t i = first; i < line.size(); ++i) {
        char const c = line[i];
        bool const blank = c == ' ' || c == '\t' || c == '\r';
        if (c == '"') {
            quoted = !quoted;
            word.push_back(c);
        } else if (!quoted && blank) {
            end_word();
        } else if (!quoted && c == ';' &&
                   (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t')) {
            end_word();
            words.emplace_back(";");
        } else {
            word.push_back(c);
        }
    }
    end_word();
    return words;
}

// The history of interactive sessions, kept between them; none without a home.
std::string history_file() {
    char const* home = std::getenv("HOME");
    return home != nullptr && *home != '\0' ? std::string(home) + "/.pova_history" : "";
}

// The next line of input; false at its end. A terminal gets a prompt, line editing and a
// history; other input is read as it comes.
class LineReader {
public:
    explicit LineReader(bool interactive) : fInteractive(interactive) {
        if (fInteractive) {
            using_history();
            if (!fHistoryFile.empty()) {
                read_history(fHistoryFile.c_str());  // None yet is no error.
            }
        }
    }
    ~LineReader() {
        if (fInteractive && !fHistoryFile.empty()) {
            write_history(fHistoryFile.c_str());  // A history that cannot be kept is no error.
        }
    }
    LineReader(LineReader const&) = delete;
    LineReader& operator=(LineReader const&) = delete;

    bool next(std::string& line) {
        if (!fInteractive) {
            return static_cast<bool>(std::getline(std::cin, line));
        }
        std::unique_ptr<char, decltype(&std::free)> const read(readline("pova> "), &std::free);
        if (!read) {
            std::cout << "\n";
            return false;
        }
        line = read.get();
        if (line.find_first_not_of(" \t") != std::string::npos) {
            add_history(read.get());
        }
        return true;
    }

private:
    bool fInteractive;
    std::string fHistoryFile = history_file();
};

int runScript(pova_tool::Session& session) {
    bool const interactive = isatty(STDIN_FILENO) != 0;
    LineReader reader(interactive);
    int worst = 0;
    std::string line;
    while (reader.next(line)) {
        std::vector<std::string> const words = split(line);
        if (words.empty()) {
            continue;
        }
        if (words[0] == "quit" || words[0] == "exit") {
            break;
        }
        if (!interactive) {
            std::cout << "> " << line << std::endl;
        }
        int status = 0;
        // "refused COMMAND": a command the session expects to be refused, as a demonstration
        // of an error; its message is shown, and it counts as a failure only if it succeeds.
        // Wrong words in it stay usage errors: they are mistakes in the script.
        if (words[0] == "refused" && words.size() > 1) {
            std::ostringstream message;
            status = session.execute({words.begin() + 1, words.end()}, std::cout, message);
            std::string const text = message.str();
            if (status == 1) {
                // The error line without its "pova: " and without the hint that follows.
                std::size_t const start = text.find(' ') + 1;
                std::cout << "refused as expected: "
                          << text.substr(start, text.find('\n') + 1 - start);
                status = 0;
            } else if (status == 0) {
                std::cout << std::flush;
                std::cerr << "pova: refused: " << words[1] << " was not refused\n";
                status = 1;
            } else {
                std::cout << std::flush;
                std::cerr << text;
            }
        } else {
            status = session.execute(words, std::cout, std::cerr);
        }
        std::cout << std::flush;
        worst = std::max(worst, status);
    }
    return interactive ? 0 : worst;
}

// A usage error of the command line itself.
int usage_error(std::string const& message) {
    std::cerr << "pova: " << message << "\npova: type 'pova --help' to see the options\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The client shows each error itself; the library's records appear only when asked for.
    if (std::getenv("POVA_LOG") == nullptr && std::getenv("POVA_LOG_FILE") == nullptr) {
        basekit::getLogObject()->setSink([](LogRecord const&) {});
    }
    std::vector<std::string> words(argv + 1, argv + argc);
    pova_tool::CubeOptions options;
    std::size_t first = 0;
    for (; first < words.size() && words[first].starts_with("--"); ++first) {
        std::string const& option = words[first];
        if (option == "--version") {
            std::cout << "pova " << POVA_VERSION << "\n";
            return 0;
        }
        if (option == "--help") {
            pova_tool::printHelp(std::cout);
            return 0;
        }
        std::string* value = option == "--provider"     ? &options.provider
                             : option == "--database"   ? &options.database
                             : option == "--connection" ? &options.connection
                                                        : nullptr;
        if (value == nullptr) {
            return usage_error("unknown option '" + option + "'");
        }
        if (++first == words.size()) {
            return usage_error(option + " needs a value");
        }
        *value = words[first];
    }
    words.erase(words.begin(), words.begin() + static_cast<long>(first));
    if (!words.empty() && words[0] == "format") {
        // Number formats need no cube.
        return runFormatCommand({words.begin() + 1, words.end()}, std::cout, std::cerr);
    }
    std::optional<pova_tool::Session> session;
    try {
        session.emplace(pova_tool::openCube(options));
    } catch (pova_tool::ClientError const& error) {
        return usage_error(error.what());
    } catch (BaseError const& error) {
        std::cerr << "pova: cannot open the cube: " << pova_tool::describe(error) << "\n";
        return 1;
    } catch (ResultError const& error) {
        std::cerr << "pova: cannot open the cube: " << pova_tool::describe(error) << "\n";
        return 1;
    }
    return words.empty() ? runScript(*session) : session->execute(words, std::cout, std::cerr);
}
