#pragma once

class QLineEdit;

// Name fields whose text the unit stores in capitals: typed letters turn to
// upper case as they are typed, the cursor staying where it was (at the end
// when the text got shorter, e.g. cut by the field's maximum length).
class UpperCaseEdit
{
public:
    // Applies to `field` for as long as it lives.
    static void Apply(QLineEdit* field);
};
