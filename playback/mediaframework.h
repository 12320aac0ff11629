#pragma once

// Process-wide set-up of the media framework. Call initialise once on the main thread before any
// player exists; shut down only after every player is gone.
namespace MediaFramework {

// False when the framework cannot start (the program then ends at once).
bool initialise();
void shutdown();

} // namespace MediaFramework
