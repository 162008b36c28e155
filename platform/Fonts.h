#pragma once

// The windows keep their classic face names ("Courier New", "MS Sans Serif", "MS Serif");
// this maps them once onto the metric-compatible Liberation faces (Debian fonts-liberation).
// Safe to call more than once.
void installFontSubstitutions();
