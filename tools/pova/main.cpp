// pova: the command-line client. With a command on its command line it runs that command on
// a viewpoint of the sample cube; without one it reads commands from standard input, one per
// line, all on the same viewpoint.
#include "FormatCommand.h"
#include "Session.h"

#include <basekit/BaseError.h>

#include <unistd.h>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Words of a line; ";" is a word of its own wherever it stands.
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

int runScript(pova_tool::Session& session) {
    bool const interactive = isatty(STDIN_FILENO) != 0;
    int failures = 0;
    std::string line;
    while (true) {
        if (interactive) {
            std::cout << "pova> " << std::flush;
        }
        if (!std::getline(std::cin, line)) {
            break;
        }
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
        // "refused COMMAND": a command the session expects to be refused, as a demonstration
        // of an error; its message is shown, and it counts as a failure only if it succeeds.
        if (words[0] == "refused" && words.size() > 1) {
            std::ostringstream message;
            bool const done = session.execute({words.begin() + 1, words.end()}, std::cout, message);
            std::cout << (done ? "not refused\n" : "refused as expected: " + message.str());
            failures += done ? 1 : 0;
            continue;
        }
        failures += session.execute(words, std::cout, std::cerr) ? 0 : 1;
        std::cout << std::flush;
    }
    return failures == 0 || interactive ? 0 : 1;
}

}  // namespace

// Errors that escape a command (setting up the sample cube, say) are reported like the
// errors of a command: the message and its code.
int main(int argc, char** argv) try {
    std::vector<std::string> const words(argv + 1, argv + argc);
    if (!words.empty() && (words[0] == "--help" || words[0] == "-h")) {
        pova_tool::Session::printHelp(std::cout);
        return 0;
    }
    if (!words.empty() && words[0] == "format") {
        // Number formats need no cube.
        return runFormatCommand({words.begin() + 1, words.end()}, std::cout, std::cerr);
    }
    pova_tool::Session session;
    if (words.empty()) {
        return runScript(session);
    }
    return session.execute(words, std::cout, std::cerr) ? 0 : 1;
} catch (BaseError const& error) {
    std::cerr << "pova: " << error.what() << "\n";
    return 1;
} catch (ResultError const& error) {
    std::cerr << "pova: " << error.what() << "\n";
    return 1;
}
