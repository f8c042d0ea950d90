// The toolkit classes a layout can name. Listed explicitly: a static library
// would drop self-registering units that nothing else refers to.
#include "Forms.h"
#include "LayoutReader.h"

void RegisterToolkitClasses() {
    RegisterComponentClass<TForm>("TForm");
}
