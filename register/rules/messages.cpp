#include "register/rules/messages.h"

#include <array>

namespace {

// One row per message, the columns in the order of kLanguages.
constexpr std::array<const char *, 6> kLanguages = {"english", "french",  "german",
                                                    "italian", "spanish", "dutch"};

constexpr std::array<std::array<const char *, 6>, 3> kTexts = {{
    {"The registration wizard cannot read its configuration.",
     "L'assistant d'enregistrement ne peut pas lire sa configuration.",
     "Der Registrierungsassistent kann seine Konfiguration nicht lesen.",
     "La procedura di registrazione non riesce a leggere la sua configurazione.",
     "El asistente de registro no puede leer su configuración.",
     "De registratiewizard kan zijn configuratie niet lezen."},
    {"The registration form could not be printed.`Please check the printer and try again.",
     "Le formulaire d'enregistrement n'a pas pu être imprimé.`Vérifiez l'imprimante et "
     "réessayez.",
     "Das Registrierungsformular konnte nicht gedruckt werden.`Bitte prüfen Sie den Drucker "
     "und versuchen Sie es erneut.",
     "Non è stato possibile stampare il modulo di registrazione.`Controllate la stampante e "
     "riprovate.",
     "No se ha podido imprimir el formulario de registro.`Compruebe la impresora e inténtelo "
     "de nuevo.",
     "Het registratieformulier kon niet worden afgedrukt.`Controleer de printer en probeer "
     "het opnieuw."},
    {"Your reminder could not be saved in", "Votre rappel n'a pas pu être enregistré dans",
     "Ihre Erinnerung konnte nicht gespeichert werden in",
     "Non è stato possibile salvare il promemoria in", "No se ha podido guardar su recordatorio en",
     "Uw herinnering kon niet worden opgeslagen in"},
}};

} // namespace

QString messageText(Message message, const QString &language)
{
    const QString wanted = language.trimmed().toLower();
    std::size_t column = 0;
    for (std::size_t i = 0; i < kLanguages.size(); ++i)
        if (wanted == QLatin1String(kLanguages[i]))
            column = i;
    return QString::fromUtf8(kTexts[std::size_t(message)][column]);
}
