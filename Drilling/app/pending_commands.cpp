// Commands whose parts are not built yet: they do nothing and return 0, as
// the command table does for items without an action. Each part that is
// built removes its entry here and defines the real one in its own folder.
#include "Drilling/app/commands.h"

namespace drilling {


}  // namespace drilling
