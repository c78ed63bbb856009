#pragma once

#include <QPalette>

#include <tavelin/config.hpp>

namespace tavelin::app {

// The whole application's look: Dark and Light install the house palette of
// that name, System goes back to the platform's own palette (and so follows
// the desktop again). Every widget follows on the event loop's next turn.
void setAppearance(Appearance appearance);

// The application palette built from the house surfaces.
QPalette housePalette(bool dark);

}  // namespace tavelin::app
