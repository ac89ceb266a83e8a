// What the view and window floors hand to the kernel below them: the class
// procedures of texts and pages and the kernel's page and view services.
// Entered when the engine is loaded (a static initialiser of this file, which
// every program and library linking these floors runs) and again, doing
// nothing, before a map window's record is filled. It registers no class:
// the kernel's start-up, or a program linking the engine statically,
// decides when that happens, and takes these procedures then.
#pragma once

void EngineStartup();
