#pragma once
// Start-up, the main loop and shutdown of the game.
//
// Start-up: crash records, the per-user folders, the engine with its random seeds, managers,
// component types and systems, then "firstScene splash_scene" to every system. The loop runs
// DECS::Update until "decs_exit". Shutdown saves the settings, clears the resource caches and
// shuts the engine down.

#include <string>

// Runs the game; returns the process exit code (0 after a normal shutdown, 1 when start-up
// failed, with the reason on standard error).
int RunGame();

// Builds the engine: DECS (unless one exists already), both its random engines seeded with the
// current calendar time, its managers, the component types and the systems; then posts
// "firstScene splash_scene" to every system.
void StartEngine();

// Runs DECS::Update until the engine's quit flag is set ("decs_exit", also posted when a close
// request arrives by signal: see platform/os/close_request.h).
void RunMainLoop();

// Takes the engine down: saves the settings, destroys the render context (the resource caches
// are cleared, the renderer and its chain go), runs every system's Shutdown in registration
// order, then destroys the engine.
void StopEngine();

// Takes down what a start-up that failed part way had built, in StopEngine's order (the render
// context, then every system's Shutdown and the engine), without saving the settings.
void AbandonStart();

// Makes the folder that holds "GAME/" the working directory: the current one when it has it,
// else the executable's folder. Throws std::runtime_error naming both when neither has it.
void EnterDataFolder();

// "<save-data folder>/CrashLogs", where crash records go.
std::string GetCrashFolder();

// Creates the save-data folder, the documents folder and the crash folder (existing ones are
// fine). Throws std::filesystem::filesystem_error when a folder cannot be created.
void CreateUserFolders();

// Prepares the process: crash records into `crashFolder` (created later by CreateUserFolders),
// close requests by signal, and the game closed in order when the display goes away
// (app/display_loss.h).
void PrepareProcess(const std::string& crashFolder);
