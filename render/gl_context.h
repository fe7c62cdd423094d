#pragma once
// Questions about the OpenGL context of the calling thread, answered through GLFW.
//
// The game's context belongs to the window of the platform system; test binaries and
// benchmarks make their own window current. Every GL object is deleted while its context is
// current: the render context (render/render_context.h) goes before the window.

// The framebuffer size in pixels of the window whose context is current; 0 x 0 when there is
// none.
void CurrentWindowFramebufferSize(int& width, int& height);
