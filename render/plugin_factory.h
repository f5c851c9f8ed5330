// The class factory of the rendering plug-in: it makes CoPlugin objects.
#pragma once

#include "com_server.h"
#include "coplugin.h"
#include "module_state.h"

using CoPluginFactory = ComClassFactory<CoPlugin, render::ServerCounts>;
