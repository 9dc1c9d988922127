-- A catalogue written before productions had fromLibrary.
CREATE TABLE [productions] ([id] varchar(30), [produced] DATE, [copies] int);
INSERT INTO productions VALUES ('C1001', '2023-11-02 09:15:00', 2);
INSERT INTO productions VALUES ('C1001', '2024-01-20 14:40:10', 3);
INSERT INTO productions VALUES ('C1002', '2024-02-01 08:00:00', 1);
