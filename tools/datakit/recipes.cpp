// The whole show's recipe list (see recipes.h).
#include "recipes.h"

void add_show_recipes(cRecipeBook &book) {
  add_scene00_recipes(book);
  add_scene01_recipes(book);
  add_scene02_recipes(book);
  add_scene04_recipes(book);
  add_scene06_recipes(book);
  add_scene07_recipes(book);
  add_scene08_recipes(book);
  add_scene09_recipes(book);
  add_scene10_recipes(book);
}
