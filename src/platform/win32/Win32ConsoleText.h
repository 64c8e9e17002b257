#pragma once
// The program's lines on a Windows console. Every text inside is UTF-8, which
// a console shows right only through its wide writes (WriteConsoleW), whatever
// its code page; the console's code page is left as the user set it, for the
// programs that run in it after this one. Output to a file or a pipe stays
// UTF-8, byte for byte.

// Sends std::cout and std::cerr through WriteConsoleW where each is a console.
void WriteConsoleTextAsUtf16();
