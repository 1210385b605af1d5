// placeholder, replaced by the library entry
