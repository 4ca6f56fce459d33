#include "XlsxLibrary.h"

#include <dlfcn.h>

namespace XlsxLibrary {

namespace {

struct Loaded {
    Functions functions{};
    bool ok = false;
    QString error;
};

template <typename F> bool resolve(void *handle, const char *name, F *target)
{
    *target = reinterpret_cast<F>(dlsym(handle, name));
    return *target != nullptr;
}

Loaded load()
{
    Loaded l;
    void *handle = nullptr;
    for (const char *name : {"libxlsxwriter.so.4", "libxlsxwriter.so"}) {
        handle = dlopen(name, RTLD_NOW | RTLD_LOCAL | RTLD_DEEPBIND);
        if (handle)
            break;
    }
    if (!handle) {
        l.error = QStringLiteral("找不到 Excel 文件的写入库 libxlsxwriter：") +
                  QString::fromLocal8Bit(dlerror());
        return l;
    }
    Functions &f = l.functions;
    l.ok = resolve(handle, "workbook_new_opt", &f.workbook_new_opt) &&
           resolve(handle, "workbook_add_worksheet", &f.workbook_add_worksheet) &&
           resolve(handle, "workbook_add_format", &f.workbook_add_format) &&
           resolve(handle, "workbook_close", &f.workbook_close) &&
           resolve(handle, "format_set_num_format", &f.format_set_num_format) &&
           resolve(handle, "worksheet_write_string", &f.worksheet_write_string) &&
           resolve(handle, "worksheet_write_number", &f.worksheet_write_number) &&
           resolve(handle, "worksheet_set_column", &f.worksheet_set_column) &&
           resolve(handle, "lxw_strerror", &f.lxw_strerror);
    if (!l.ok)
        l.error = QStringLiteral("Excel 文件的写入库 libxlsxwriter 不完整");
    // The library stays loaded for the rest of the run.
    return l;
}

} // namespace

const Functions *functions(QString *error)
{
    static const Loaded loaded = load();
    if (!loaded.ok) {
        if (error)
            *error = loaded.error;
        return nullptr;
    }
    return &loaded.functions;
}

} // namespace XlsxLibrary
