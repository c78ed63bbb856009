#pragma once

// The text helpers are public so the application can share them.
#include <tavelin/text.hpp>
