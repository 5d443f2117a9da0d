#pragma once

#include <CLI/CLI.hpp>

// Each subcommand of `orvane` adds itself to the application; when it runs
// it stores its exit status (0 on success) in status.
void AddPatternsCommand(CLI::App& app, int& status);
void AddTransitionCommand(CLI::App& app, int& status);
void AddMasksCommand(CLI::App& app, int& status);
void AddInspectCommand(CLI::App& app, int& status);
void AddMakeSourceCommand(CLI::App& app, int& status);
void AddRenderCommand(CLI::App& app, int& status);
