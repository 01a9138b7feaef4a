#include "popup_state.h"

PopupState gPopupState;
