// The shell's helper operations: list-box transfers, the "Error" and "Note" message boxes,
// and small text and arithmetic helpers used across the engines.
#pragma once

#include "shell/ListBox.h"

#include <cstdint>
#include <string>
#include <vector>

class seLibrary {
public:
    seLibrary() = delete;

    // Moves every item of from to the end of to, in order; returns how many moved.
    static int MoveAll(ListBox& from, ListBox& to);
    // Moves the selected items of from (top to bottom) into to, right after to's current
    // selection (keeping their order), or at the end when to has no selection or no
    // items; returns how many moved. When exactly one moved it becomes to's selection.
    static int MoveSelected(ListBox& from, ListBox& to);

    // Modal box titled "Error" with the error icon; ownerXid 0 means unowned.
    static void ShowError(uint64_t ownerXid, const std::string& text);
    // Modal box titled "Note" with the information icon, owned by ownerXid (0: unowned).
    static void ShowNote(const std::string& text, uint64_t ownerXid = 0);

    // Appends the pieces of text between separators c to out: nothing for an empty
    // text, empty inner pieces included, the last piece only when not empty. Returns the
    // number appended.
    static int Split(const std::string& text, char c, std::vector<std::string>& out);
    // Whether a file or folder exists at path.
    static bool FileExists(const std::string& path);
    // Removes every occurrence of pattern from text; returns how many were removed.
    // An empty pattern changes nothing.
    static int EraseAll(std::string& text, const std::string& pattern);
    // Plain substring test.
    static bool Contains(const std::string& text, const std::string& pattern);
    // Replaces every occurrence of from by to, scanning on after each inserted text;
    // returns how many were replaced. An empty from changes nothing.
    static int ReplaceAll(std::string& text, const std::string& from, const std::string& to);
    // 0 when x < low or low == high; 1 when x >= high; else t*t*(3-2t), t = (x-low)/(high-low).
    static double SmoothStep(double x, double low, double high);
    // Rotates (x, y) by angle a (radians) in place.
    static void Rotate2D(double a, double& x, double& y);
    static void Rotate2D(float a, float& x, float& y);
};
