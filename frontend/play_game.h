#pragma once

// Builds the application, runs its screen loop and tears it down again, so
// that the game window is gone when this returns or throws. Returns the
// program's exit code for a game that ended normally.
int play_game();
