#pragma once

#include <optional>
#include <string>
#include <vector>

// The commands of rurizuda-at: one per device command, each with the outputs
// it prints as NAME=VALUE lines.

struct ToolOutput {
    std::string name;
    std::string value;
};

struct ToolRun {
    int result = 0;
    std::vector<ToolOutput> outputs;
};

struct ToolCommand {
    const char* name;
    const char* value;        // what VALUE means, or nullptr when it takes none
    const char* description;
    // Checks VALUE; a reason when it is not acceptable.
    std::optional<std::string> (*checkValue)(const std::string& value);
    // Runs the device command on the open AT port.
    ToolRun (*run)(const std::string& value);
};

const std::vector<ToolCommand>& ToolCommands();
const ToolCommand* FindToolCommand(const std::string& name);

// Printable ASCII unchanged, every other byte as \xNN.
std::string EscapeNonPrintable(const std::string& text);
