#include "ui/failuretexts.h"

using namespace Qt::StringLiterals;

QString describe(const StoreError& error) {
    switch (error.kind) {
    case StoreError::Kind::None:
        return {};
    case StoreError::Kind::MissingDirectory:
        return u"Verzeichnis fehlt"_s;
    case StoreError::Kind::MissingFile:
        return u"Datei fehlt"_s;
    case StoreError::Kind::NoFile:
        return u"keine Datei"_s;
    case StoreError::Kind::NotPlainFile:
        return u"keine normale Datei"_s;
    case StoreError::Kind::NoPermission:
        return u"keine Berechtigung"_s;
    case StoreError::Kind::ReadOnly:
        return u"schreibgeschützt"_s;
    case StoreError::Kind::DiskFull:
        return u"Datenträger voll"_s;
    case StoreError::Kind::OutOfMemory:
        return u"zu wenig Speicher"_s;
    case StoreError::Kind::ReadFailed:
        return u"Lesefehler"_s;
    case StoreError::Kind::WriteFailed:
        break;
    }
    return u"Schreibfehler"_s;
}

QString describe(SnapshotFault fault) {
    switch (fault) {
    case SnapshotFault::NoAnswer:
        return u"FEHLER: Der Desktop hat auf die Bitte um ein Bildschirmfoto nicht geantwortet"_s;
    case SnapshotFault::NoService:
        return u"FEHLER: Das Desktop-Portal macht kein Bildschirmfoto"_s;
    case SnapshotFault::Cancelled:
        return u"Bildschirmfoto abgebrochen - nichts gespeichert"_s;
    case SnapshotFault::Refused:
        return u"FEHLER: Der Desktop hat das Bildschirmfoto verweigert"_s;
    case SnapshotFault::Unreadable:
        return u"FEHLER: Das Bildschirmfoto des Desktops ist nicht lesbar"_s;
    case SnapshotFault::NotOnClipboard:
        break;
    }
    return u"FEHLER: Das Bildschirmfoto konnte nicht in die Zwischenablage gelegt werden"_s;
}
