#pragma once
#include "wareseek/plugin_api.h"

// The plug-in's number: the interface number PIQueryInterface accepts, the
// first callback argument, the template's "plug" id and the download's caller id.
constexpr int PLUGIN_ID = WARESEEK_PLUGIN_ID;
