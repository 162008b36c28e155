// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Made just before the QApplication, until opened(): when the display cannot be opened (a
// DISPLAY whose server has gone or refuses this user, a broken Wayland socket), Qt's platform
// plug-in prints several lines that end in advice to reinstall the program, and aborts, which
// leaves a core file. Instead the program ends with exit status 1 and one line on standard
// error that names what failed. Qt's messages meanwhile are held back, and passed on as they
// were once the display is open.
class DisplayOpening {
public:
    DisplayOpening();
    ~DisplayOpening();
    DisplayOpening(const DisplayOpening&) = delete;
    DisplayOpening& operator=(const DisplayOpening&) = delete;

    void opened();

private:
    bool m_holding = true;
};
