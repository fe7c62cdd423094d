#pragma once
// Questions about the OpenGL context of the calling thread, answered through GLFW.
//
// The game's context belongs to the window of the platform system; test binaries and
// benchmarks make their own window current. GL objects die with their context: owners that may
// outlive it (the renderer is destroyed after the window closes) ask HasCurrentGlContext
// before deleting, since GL calls without a current context must not be made.

// True when a GLFW window's context is current on this thread. Safe before glfwInit and after
// glfwTerminate (then false, without a GLFW error report).
bool HasCurrentGlContext();

// The framebuffer size in pixels of the window whose context is current; 0 x 0 when there is
// none.
void CurrentWindowFramebufferSize(int& width, int& height);
