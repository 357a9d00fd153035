// Every asset of the show, registered scene by scene. Each scene's unit holds
// one small function per file it loads; a later scene adds its own unit and a
// line in add_show_recipes.
#pragma once

#include "cRecipeBook.h"

void add_scene00_recipes(cRecipeBook &book);
void add_scene01_recipes(cRecipeBook &book);
void add_scene02_recipes(cRecipeBook &book);

// All of them.
void add_show_recipes(cRecipeBook &book);
