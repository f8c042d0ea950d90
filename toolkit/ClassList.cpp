// The toolkit classes a layout can name. Listed explicitly: a static library
// would drop self-registering units that nothing else refers to.
#include "ActnList.h"
#include "Forms.h"
#include "ImgList.h"
#include "LayoutReader.h"
#include "Menus.h"
#include "ToolBars.h"

void RegisterToolkitClasses() {
    RegisterComponentClass<TForm>("TForm");
    RegisterComponentClass<TMainMenu>("TMainMenu");
    RegisterComponentClass<TPopupMenu>("TPopupMenu");
    RegisterComponentClass<TMenuItem>("TMenuItem");
    RegisterComponentClass<TImageList>("TImageList");
    RegisterComponentClass<TActionList>("TActionList");
    RegisterComponentClass<TAction>("TAction");
    RegisterComponentClass<TToolBar>("TToolBar");
    RegisterComponentClass<TToolButton>("TToolButton");
    RegisterComponentClass<TCoolBar>("TCoolBar");
}
