#include "ui/popup_state.h"

PopupState gPopupState;
