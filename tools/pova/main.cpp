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
std::vector<std::string> split(std::string line) {
    for (std::size_t at = line.find(';'); at != std::string::npos; at = line.find(';', at + 3)) {
        line.replace(at, 1, " ; ");
    }
    std::istringstream stream(line);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        if (word.front() == '#') {
            break;
        }
        words.push_back(word);
    }
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
