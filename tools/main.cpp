#include <exception>
#include <iostream>

#include "command_line.h"
#include "tool_error.h"

int main(int argc, char** argv) {
    using reuseblocks::tool::ToolError;
    try {
        return reuseblocks::tool::RunCommandLine(argc, argv);
    } catch (const ToolError& error) {
        std::cerr << error.what() << '\n';
        return error.Status();
    } catch (const std::exception& error) {
        std::cerr << "reuseblocks: error: " << error.what() << '\n';
        return reuseblocks::tool::kExitFailure;
    }
}
