#pragma once
// The parts of the static runtimes that the library replaces so that a load leaves nothing behind at its
// unload (StaticRuntime.cpp says which and why).

// From DllMain, on a thread that ends: frees that thread's exception record.
void ReleaseThreadExceptionRecord();
