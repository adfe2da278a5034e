// SPDX-License-Identifier: MIT
// What a developer would write without the library: the yardstick the loader is measured
// against. Reads a blocks file into a map from block ID to its fields (the twelve properties,
// then four columns per layer map) and prints the number of blocks.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " FILE\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[0] << ": cannot open " << argv[1] << "\n";
        return 1;
    }
    std::unordered_map<std::string, std::vector<std::string>> blocks;
    std::vector<std::string>* current = nullptr;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string first;
        if (!(fields >> first) || first[0] == '#') continue;
        if (line.find("map_block_host") != std::string::npos) {
            std::string id;
            if (!current || !(fields >> id)) continue;
            std::string column;
            for (int i = 0; i < 4 && fields >> column; ++i) current->push_back(column);
            continue;
        }
        std::vector<std::string> properties{first};
        std::string field;
        while (properties.size() < 12 && fields >> field) properties.push_back(field);
        if (properties.size() < 12) {
            std::cerr << argv[0] << ": short definition line\n";
            return 1;
        }
        auto inserted = blocks.emplace(first, std::move(properties));
        if (!inserted.second) {
            std::cerr << argv[0] << ": duplicate block " << first << "\n";
            return 1;
        }
        current = &inserted.first->second;
    }
    std::cout << blocks.size() << " blocks\n";
    return 0;
}
