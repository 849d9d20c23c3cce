// Corpus files of the basekit tests: the lines of a file in corpus/ beside the tests, comment
// lines (starting with "#") and empty lines left out. In the lines \t, \n, \r, \0 and \xHH
// stand for the characters they name in C.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace basekit_test {

inline std::vector<std::string> corpus(char const* name) {
    std::ifstream in(std::filesystem::path(POVA_TEST_DIR) / "corpus" / name);
    EXPECT_TRUE(in.is_open()) << name;
    std::string const names = "tnr0";
    std::string const characters("\t\n\r\0", 4);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        for (std::size_t at = line.find('\\'); at != std::string::npos;
             at = line.find('\\', at + 1)) {
            if (std::size_t const k = names.find(line[at + 1]); k != std::string::npos) {
                line.replace(at, 2, 1, characters[k]);
            } else if (line[at + 1] == 'x') {
                line.replace(at, 4, 1,
                             static_cast<char>(std::stoi(line.substr(at + 2, 2), nullptr, 16)));
            }
        }
        if (!line.empty() && line[0] != '#') {
            lines.push_back(line);
        }
    }
    EXPECT_FALSE(lines.empty()) << name;
    return lines;
}

}  // namespace basekit_test
