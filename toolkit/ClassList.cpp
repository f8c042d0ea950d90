// The toolkit classes a layout can name. Listed explicitly: a static library
// would drop self-registering units that nothing else refers to.
#include "ActnList.h"
#include "Buttons.h"
#include "ComCtrls.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "ImgList.h"
#include "LayoutReader.h"
#include "Menus.h"
#include "StdCtrls.h"
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
    RegisterComponentClass<TLabel>("TLabel");
    RegisterComponentClass<TButton>("TButton");
    RegisterComponentClass<TCheckBox>("TCheckBox");
    RegisterComponentClass<TGroupBox>("TGroupBox");
    RegisterComponentClass<TBitBtn>("TBitBtn");
    RegisterComponentClass<TPanel>("TPanel");
    RegisterComponentClass<TImage>("TImage");
    RegisterComponentClass<TTimer>("TTimer");
    RegisterComponentClass<TPageControl>("TPageControl");
    RegisterComponentClass<TTabSheet>("TTabSheet");
}
