#pragma once

#include <tavelin/action.hpp>
#include <tavelin/config.hpp>
#include <tavelin/error.hpp>
#include <tavelin/keys.hpp>
#include <tavelin/lib.hpp>
#include <tavelin/resolver.hpp>
#include <tavelin/store.hpp>
#include <tavelin/terminal.hpp>
