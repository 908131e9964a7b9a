#pragma once
// The link to the services that watch the screen corners: the platform's
// system agent and our own corner service. Both are optional libraries,
// looked up by name; a missing one counts as not running.

// True when either service says it is running.
bool CheckForHots();
// Tells both services that the saver settings changed.
void NotifyHots();
