// Picture libraries for the benchmark, generated in application folders.
#pragma once
#include <string>
#include <vector>

#include "TempFolder.h"

// The pictures of the default library (full Windows paths, in name order),
// the material every generated category is made of.
std::vector<std::string> DefaultLibraryPictures();

// Fills `app`'s images folder with one category `name` of `count` pictures:
// p000, p001, ... copied from the default library in its order, round and
// round, each keeping its extension. Every category made so has the same
// pictures in the same order, so the picture view lays them all out alike.
void MakeCategory(const TempFolder& app, const std::string& name, int count,
                  const std::vector<std::string>& sources);

// A copy of the default library; returns its number of categories.
int MakeDefaultLibrary(const TempFolder& app);

// An images folder without categories.
void MakeEmptyLibrary(const TempFolder& app);

// `categories` categories "cat00", "cat01", ... of `perCategory` pictures.
void MakeLargeLibrary(const TempFolder& app, int categories, int perCategory);
