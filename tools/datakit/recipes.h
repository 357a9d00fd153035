// Every asset of the show, registered scene by scene. Each scene's unit holds
// one small function per file it loads; a later scene adds its own unit
// (recipes_sceneNN.cpp), declares its add function here and calls it from
// add_show_recipes. A picture made from a scene's mesh (a baked light map)
// calls that mesh's function inside its own recipe, so every file stays one
// recipe and the recipes stay free to run in any order on any thread.
#pragma once

#include "cRecipeBook.h"

void add_scene00_recipes(cRecipeBook &book);
void add_scene01_recipes(cRecipeBook &book);
void add_scene02_recipes(cRecipeBook &book);
void add_scene04_recipes(cRecipeBook &book);
void add_scene06_recipes(cRecipeBook &book);
void add_scene07_recipes(cRecipeBook &book);
void add_scene08_recipes(cRecipeBook &book);
void add_scene09_recipes(cRecipeBook &book);
void add_scene10_recipes(cRecipeBook &book);

// All of them.
void add_show_recipes(cRecipeBook &book);
