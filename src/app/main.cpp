#include "panel/unit_app.h"

int main(int argc, char** argv)
{
    UnitApp app(argc, argv);
    return app.Run();
}
