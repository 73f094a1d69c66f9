// How tqxctl reads its command line: every option takes its value explicitly, and an
// option where a value belongs is refused rather than taken for the value.

#include "tqxctl_commands.h"

#include <cstdio>

bool OptionValue(const std::vector<std::string>& args, size_t& i, const char* placeholder,
                 std::string& value) {
    const std::string& option = args[i];
    if (i + 1 >= args.size()) {
        std::fprintf(stderr, "tqxctl: %s needs a %s\n", option.c_str(), placeholder);
        return false;
    }
    const std::string& next = args[i + 1];
    if (next.size() > 1 && next[0] == '-') {
        std::fprintf(stderr,
                     "tqxctl: %s needs a %s, and '%s' is an option (a name that begins "
                     "with '-' is given as ./%s)\n",
                     option.c_str(), placeholder, next.c_str(), next.c_str());
        return false;
    }
    if (next.empty()) {
        std::fprintf(stderr, "tqxctl: %s needs a %s, not an empty text\n", option.c_str(),
                     placeholder);
        return false;
    }
    value = args[++i];
    return true;
}

bool NeedsControllerReply(const std::string& command, const Operands& operands) {
    const TqxctlCommand* found = FindCommand(command, operands);
    const auto reply = found ? found->reply : TqxctlCommand::Reply::WhenControllerNamed;
    if (reply != TqxctlCommand::Reply::WhenControllerNamed)
        return reply == TqxctlCommand::Reply::Always;
    for (const std::string& operand : operands)
        if (operand == "controller")
            return true;
    return false;
}
