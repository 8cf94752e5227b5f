#include "app_state.h"

AppState gApp;
