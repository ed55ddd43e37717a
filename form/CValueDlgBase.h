#pragma once

#include <QCoreApplication>
#include <QDialog>
#include <QString>
#include <cstdint>

class QLabel;
class QLineEdit;

// What the two value dialogs share: the value edit 1030, OK, Cancel and the name
// label, the opening from the parameter table and the hand-back on OK. Neither dialog
// writes the table or talks to the drive; the form does that with the value handed back.
class CValueDlgBase : public QDialog {
    Q_OBJECT

  public:
    // Shows the dialog for parameter `paramNumber` (0 to 109) of ParamTable::Instance()
    // over `parent`. Returns QDialog::Accepted or QDialog::Rejected; only on Accepted
    // does `value` receive the new value.
    int DoModal(QWidget* parent, int32_t paramNumber, int32_t& value);

  protected:
    static constexpr int kEditId = 1030;

    // `height` and `row` are in dialog units: the dialog's height and the top of the
    // row that holds the label and the edit. The controls are built when the dialog
    // is first shown: the program starts without waiting for them.
    CValueDlgBase(const QString& caption, int height, int row, int labelId);

    // Builds the controls in tab order; a dialog with controls of its own adds them
    // after these.
    virtual void CreateControls();
    // One object of each dialog serves the whole run. It is deleted with the application
    // object, while the widgets it depends on still exist.
    template <class Dialog>
    static Dialog& RunObject() {
        static Dialog* s_pDialog = nullptr;
        if (s_pDialog == nullptr) {
            s_pDialog = new Dialog;
            qAddPostRoutine([] {
                delete s_pDialog;
                s_pDialog = nullptr;
            });
        }
        return *s_pDialog;
    }

    // Places `control` at the given dialog units and names it after its id.
    void Place(QWidget* control, int id, int x, int y, int width, int height);
    virtual void OnInitDialog(int32_t paramNumber);
    // The value that OK hands back, taken after the edit's text is in m_strValue.
    virtual int32_t TakeResult() = 0;
    // true: edit to m_strValue; false: m_strValue to the edit.
    void UpdateData(bool saveAndValidate);

    int32_t m_nValue = 0;
    QString m_strValue;

  private:
    // Lets the controls whose texts need more room grow into free space.
    void FitControls();
    // The label's text for a parameter: its name, then " : ".
    static QString NameLabel(int32_t paramNumber);
    void OnOK();

    int m_nHeight;
    int m_nRow;
    int m_nLabelId;
    QLineEdit* m_edtValue = nullptr;
    QLabel* m_stcName = nullptr;
    int32_t m_nEditValue = 0;
};
