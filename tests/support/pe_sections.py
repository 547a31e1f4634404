"""Section names of a PE image read with pefile, the long ones ("/4") from
the COFF string table that follows the symbol table."""


def section_names(pe, data):
    strings_at = pe.FILE_HEADER.PointerToSymbolTable + 18 * pe.FILE_HEADER.NumberOfSymbols
    names = []
    for section in pe.sections:
        name = section.Name.rstrip(b"\0").decode()
        if name.startswith("/"):
            at = strings_at + int(name[1:])
            name = data[at:data.index(b"\0", at)].decode()
        names.append(name)
    return names
