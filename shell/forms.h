#pragma once

class TForm1;
class TForm2;

// The program's windows, each created once at start-up and kept until it ends.
extern TForm1 *Form1;
extern TForm2 *Form2;

namespace shell {

// Creates the windows in start-up order and connects them; the console listens on the port.
void createForms(unsigned short port);
void destroyForms();

// The whole program: creates the windows, shows the splash, runs the event loop. Any error that
// escapes start-up is shown; returns 0 in every case.
int run(unsigned short port);

} // namespace shell
