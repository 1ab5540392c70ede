// Commands and procedures that do nothing yet.
#include "app/tolvan.h"

namespace tolvan {


}  // namespace tolvan
