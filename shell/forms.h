#pragma once

namespace shell {

// Creates the windows in start-up order into Form2, Form1, Form3 and Form4 and connects them;
// the console listens on the port.
void createForms(unsigned short port);
void destroyForms();

// The whole program: creates the windows, shows the splash, runs the event loop. Any error that
// escapes start-up is shown; returns 0 in every case.
int run(unsigned short port);

} // namespace shell
