#include "app/autostart.h"

namespace vemora {

std::string QuotedRunCommand(std::string_view exePath) {
    std::string command = "\"";
    command.append(exePath);
    command += '"';
    return command;
}

namespace {

char Fold(char c) {
    if (c >= 'A' && c <= 'Z')
        return static_cast<char>(c - 'A' + 'a');
    return c == '/' ? '\\' : c;
}

} // namespace

bool RunCommandNamesExe(std::string_view command, std::string_view exePath) {
    while (!command.empty() && command.front() == ' ')
        command.remove_prefix(1);
    std::string_view program;
    if (!command.empty() && command.front() == '"') {
        const size_t close = command.find('"', 1);
        if (close == std::string_view::npos)
            return false;
        program = command.substr(1, close - 1);
    } else {
        // Unquoted: the whole value is the path when it names the file exactly,
        // otherwise the part before the first blank.
        program = command;
        while (!program.empty() && program.back() == ' ')
            program.remove_suffix(1);
        if (program.size() != exePath.size())
            program = program.substr(0, program.find(' '));
    }
    if (program.size() != exePath.size() || program.empty())
        return false;
    for (size_t i = 0; i < program.size(); ++i)
        if (Fold(program[i]) != Fold(exePath[i]))
            return false;
    return true;
}

bool StartupApprovedDisabled(std::string_view data) {
    return !data.empty() && (static_cast<unsigned char>(data[0]) & 1) != 0;
}

} // namespace vemora
