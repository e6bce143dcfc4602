#include "tests/support/program_command.h"

std::vector<std::string> ProgramCommand(const std::string& program) {
    std::vector<std::string> words;
    // A CMake list: the emulator followed by its own arguments, or nothing.
    const std::string emulator = QX7_PROGRAM_EMULATOR;
    std::string::size_type begin = 0;
    while (begin < emulator.size()) {
        std::string::size_type end = emulator.find(';', begin);
        if (end == std::string::npos) {
            end = emulator.size();
        }
        if (end > begin) {
            words.push_back(emulator.substr(begin, end - begin));
        }
        begin = end + 1;
    }
    words.push_back(program);
    return words;
}
