-- Catalogue for the writers' union report, period February 2019.
-- B100: productions on three days, two of them on 02-05, the last at 10:00
--       on the period's last day. B200: one library and one other
-- production. B300: no title. B400: only productions not from the library.
-- B500: just outside the period on either side.
CREATE TABLE IF NOT EXISTS [books] ( [id] varchar(30) PRIMARY KEY, [title] varchar(250), [author] varchar(250), [narrator] varchar(250), [description] text, [duration] varchar(30), [diskset] varchar(30), [format] varchar(30), [date] date, [language] varchar(30), [type] varchar(30), [rmf] text, [added] datetime DEFAULT CURRENT_TIMESTAMP, [isofiles] text, [size] integer );
CREATE TABLE IF NOT EXISTS [productions] ( [id] varchar(30), [produced] DATE, [copies] int, [fromLibrary] BOOL NOT NULL DEFAULT False );
CREATE TABLE IF NOT EXISTS [tasks] ( [id] GUID PRIMARY KEY, [command] VARCHAR(10), [params] TEXT, [runAt] DATETIME, [performed] DATETIME, [status] VARCHAR, [dependsOn] GUID REFERENCES tasks([id]) ) WITHOUT ROWID;
INSERT INTO books ( id, title, author, narrator, duration, diskset, format, date, language, type, size ) VALUES ( 'B100', 'Alfa', 'Anna Andersson', 'Berit Berg', '3600', '1 av 1', 'Daisy 2.02', 43466.0, 'sv', 'AUDIO', 1572864 );
INSERT INTO books ( id, title, author, narrator, duration, diskset, format, date, language, type, size ) VALUES ( 'B200', 'Beta', 'Carl Carlsson', 'David Dahl', '7260', '2 av 2', 'Daisy 2.02', '2019-01-15 08:00:00', 'sv', 'AUDIO', 1610612736 );
INSERT INTO books ( id, title, author, narrator, duration, diskset, format, date, language, type, size ) VALUES ( 'B300', '', 'Utan Titel', '', '60', '', '', 43466.0, 'sv', 'AUDIO', 1024 );
INSERT INTO books ( id, title, author, narrator, duration, diskset, format, date, language, type, size ) VALUES ( 'B400', 'Delta', 'Erik Ek', 'Fia Fors', '120', '1 av 1', 'Daisy 2.02', 43466.0, 'en', 'AUDIO', 2048 );
INSERT INTO books ( id, title, author, narrator, duration, diskset, format, date, language, type, size ) VALUES ( 'B500', 'Epsilon', 'Gun Gran', 'Hans Holm', '240', '1 av 1', 'Daisy 2.02', 43466.0, 'sv', 'AUDIO', 4096 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B100', '2019-02-01 10:00:00', 2, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B100', '2019-02-05 09:00:00', 3, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B100', '2019-02-05 15:00:00', 4, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B100', '2019-02-28 10:00:00', 1, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B200', '2019-02-10 12:00:00', 5, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B200', '2019-02-11 12:00:00', 2, 0 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B300', '2019-02-12 12:00:00', 9, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B400', '2019-02-13 12:00:00', 6, 0 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B500', '2019-01-31 23:59:59', 8, 1 );
INSERT INTO productions ( id, produced, copies, fromLibrary ) VALUES ( 'B500', '2019-03-01 00:00:00', 8, 1 );
